#pragma once

#include <chrono>
#include <thread>

#include "wFileReader.h"

namespace testdata {

// A reader that waits 300 ms before it reads: a read long enough to see what happens
// meanwhile. A cancel set during the wait fails the read as cancelled.
class SlowReader : public wFileReader {
public:
    int Read() override {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return wFileReader::Read();
    }
};

}  // namespace testdata
