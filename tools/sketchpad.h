// The test-only sketch pad (sketchpad.exe): how other programs find its
// window and read its log.  See sketchpad.cpp for the log's lines.
#ifndef SKETCHPAD_H
#define SKETCHPAD_H

#define SKETCH_CLASS "SketchPad"
#define SKETCH_CAPTION "Sketch pad"

// First letter of each log line.
#define SKETCH_LOG_DOWN  'D'
#define SKETCH_LOG_MOVE  'M'
#define SKETCH_LOG_UP    'U'
#define SKETCH_LOG_HOVER 'H'

#endif
