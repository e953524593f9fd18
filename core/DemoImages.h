#pragma once
// Demo images for trying the program without images of one's own: one of every image class and
// one file that is no image, built from the data files beside the program.
#include <string>
#include <vector>

#include "core/DataFiles.h"

namespace stellmark::demo {

struct DemoImage {
    std::string path;
    int expectedClass;
};

// Writes the demo images into `dir` (created when missing) and returns them in a fixed order.
// Built from the given data files. Throws Failure when a file cannot be written.
std::vector<DemoImage> WriteDemoImages(const std::string& dir, const modMain::DataFiles& dataFiles);

// The deterministic filler of the demo bodies: byte i of a body remainder.
unsigned char BodyByte(long long i);

}  // namespace stellmark::demo
