// The frame every long use case shares: busy, its status text, Cancel allowed, and closing
// steps that run on every path (status " Ready", progress 0, not busy).
#pragma once

#include "config/TextId.h"

namespace tarnwerk {

class ProgressSink;

class CommandFrame {
public:
    CommandFrame(ProgressSink& progress, TextId statusTextId);
    ~CommandFrame();
    CommandFrame(const CommandFrame&) = delete;
    CommandFrame& operator=(const CommandFrame&) = delete;

private:
    ProgressSink& progress_;
};

}  // namespace tarnwerk
