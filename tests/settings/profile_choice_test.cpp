// Which profile applies: the user's profiles and choices as stored under
// HKEY_CURRENT_USER, read as the program reads them, and the program in front.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "fakes/fake_os.h"
#include "settings/profiles.h"
#include "settings/profiles_key_guard.h"

namespace {

struct StoredProfile {
    const char *Name;
    std::string Programs;  // a zero after each name; "" for no Programs value
};

struct ChoiceCase {
    const char *Name;
    std::vector<StoredProfile> Profiles;  // stored in this order
    const char *Chosen;                   // the Profile value; NULL: none
    DWORD Automatic;                      // the AutoProfiles value; 99: none
    const char *Program;                  // in front; NULL: could not be read
    const char *Present;                  // in force before
    const char *Expected;                 // "": the machine settings
};

void PrintTo(const ChoiceCase &c, std::ostream *os) { *os << c.Name; }

const std::string Notepad = std::string("notepad.exe") + '\0';

const ChoiceCase ChoiceCases[] = {
    {"ProgramInFrontNamedByAProfile", {{"Office", Notepad}, {"Drawing", ""}}, NULL, 99,
     "notepad.exe", "", "Office"},
    {"ProgramNamesWithoutRegardToCase", {{"Office", std::string("NotePad.EXE") + '\0'}},
     NULL, 99, "NOTEPAD.exe", "", "Office"},
    {"AStoredPathNamesItsFile",
     {{"Office", std::string("C:\\Windows\\notepad.exe") + '\0'}}, NULL, 99, "notepad.exe",
     "", "Office"},
    {"OfTwoNamingItTheFirstByName",
     {{"beta", Notepad}, {"Alpha", std::string("write.exe") + '\0' + Notepad}}, NULL, 99,
     "notepad.exe", "", "Alpha"},
    {"AnotherProgramTakesTheChosenInAnyCase", {{"Office", Notepad}, {"Drawing", ""}},
     "dRAWING", 99, "calc.exe", "Office", "Drawing"},
    {"ChosenThatIsNoProfileIsTheMachine", {{"Office", Notepad}}, "Gone", 99, "calc.exe",
     "Office", ""},
    {"NothingChosenIsTheMachine", {{"Office", Notepad}}, NULL, 99, "calc.exe", "Office", ""},
    {"AutomaticOffTakesTheChosen", {{"Office", Notepad}, {"Drawing", ""}}, "Drawing", 0,
     "notepad.exe", "", "Drawing"},
    {"AutomaticOffWithNothingChosen", {{"Office", Notepad}}, "", 0, "notepad.exe", "Office",
     ""},
    {"AnyOtherAutomaticNumberIsOn", {{"Office", Notepad}}, NULL, 2, "notepad.exe", "",
     "Office"},
    {"UnreadableProgramKeepsTheProfile", {{"Office", Notepad}, {"Drawing", ""}}, "Drawing",
     99, NULL, "Office", "Office"},
    {"UnreadableProgramKeepsTheMachine", {{"Office", Notepad}}, NULL, 99, NULL, "", ""},
    {"NoProgramKnownTakesTheChosen", {{"Office", Notepad}, {"Drawing", ""}}, "Drawing", 99,
     "", "", "Drawing"},
    {"AKeyWithAMachineNameIsNoProfile", {{"Machine settings", Notepad}, {"-", Notepad}},
     NULL, 99, "notepad.exe", "", ""},
    {"NoProfilesTheMachine", {}, "Office", 99, "notepad.exe", "", ""},
};

class ProfileChoiceTest : public testing::TestWithParam<ChoiceCase> {
protected:
    std::vector<SavedUserKey> Saved;
    void SetUp() override
    {
        ResetFakeOs();
        Saved = SaveUserKey();
        DeleteUserKey();
    }
    void TearDown() override { RestoreUserKey(Saved); }
};

TEST_P(ProfileChoiceTest, TheProfileThatApplies)
{
    const ChoiceCase &c = GetParam();
    for (const StoredProfile &p : c.Profiles) {
        PutUserDword(p.Name, VALUE_ABSOLUTE, 0);
        if (!p.Programs.empty())
            PutPrograms(p.Name, p.Programs);
    }
    if (c.Chosen)
        PutUserText("", VALUE_PROFILE, c.Chosen);
    if (c.Automatic != 99)
        PutUserDword("", VALUE_AUTO_PROFILES, c.Automatic);

    static ProfileChoices choices;
    ReadProfileChoices(&choices);
    int chosen = ChooseProfile(choices, c.Program, FindProfile(choices, c.Present));
    EXPECT_EQ(std::string(c.Expected),
              chosen == PROFILE_MACHINE ? std::string() : std::string(choices.Profiles[chosen].Name));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileChoiceTest, testing::ValuesIn(ChoiceCases),
    [](const testing::TestParamInfo<ChoiceCase> &info) { return std::string(info.param.Name); });

}  // namespace
