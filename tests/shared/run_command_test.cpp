// The Run value's command split into path and arguments at the edges of
// their buffers: a part fits with its terminating zero or is refused, and
// nothing is written past a buffer either way.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "shared/run_command.h"

namespace {

const size_t PART_SIZE = 8;   // the buffer handed over for each part
const size_t GUARD = 4;       // bytes after it that must stay untouched
const char UNTOUCHED = '#';

struct GuardedPart {
    char Bytes[PART_SIZE + GUARD];
    GuardedPart() { memset(Bytes, UNTOUCHED, sizeof Bytes); }
    bool GuardIntact() const
    {
        for (size_t i = PART_SIZE; i < sizeof Bytes; i++)
            if (Bytes[i] != UNTOUCHED)
                return false;
        return true;
    }
};

TEST(SplitRunCommand, PartsExactlyAsLongAsTheirBuffersAreRefusedWithoutOverrun)
{
    const std::string fits(PART_SIZE - 1, 'p');   // with its zero: the whole buffer
    const std::string exact(PART_SIZE, 'p');      // its zero would land past it
    const struct {
        const char *What;
        std::string Command;
        bool Split;
        std::string Path, Arguments;
    } cases[] = {
        {"quoted path that fits", "\"" + fits + "\"", true, fits, ""},
        {"quoted path as long as its buffer", "\"" + exact + "\"", false, "", ""},
        {"unquoted path that fits", fits + "  ", true, fits, ""},
        {"unquoted path as long as its buffer", exact, false, "", ""},
        {"arguments that fit", "\"C:\\a\" " + fits + " ", true, "C:\\a", fits},
        {"arguments as long as their buffer", "\"C:\\a\" " + exact, false, "", ""},
    };
    for (const auto &c : cases) {
        GuardedPart path, arguments;
        bool split = SplitRunCommand(c.Command.c_str(), path.Bytes, PART_SIZE,
                                     arguments.Bytes, PART_SIZE);
        EXPECT_EQ(c.Split, split) << c.What;
        EXPECT_TRUE(path.GuardIntact()) << c.What << ": written past the path";
        EXPECT_TRUE(arguments.GuardIntact()) << c.What << ": written past the arguments";
        if (split && c.Split) {
            EXPECT_EQ(c.Path, std::string(path.Bytes)) << c.What;
            EXPECT_EQ(c.Arguments, std::string(arguments.Bytes)) << c.What;
        }
    }
}

} // namespace
