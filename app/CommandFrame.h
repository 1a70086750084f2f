// The frame every long command shares: busy pointer and disabled controls, a status text,
// Cancel, and closing steps that run on every path. One command runs at a time: the front-end
// starts none while another one runs (the window locks its controls and menus).
#pragma once

#include <functional>
#include <string>

#include "config/TextId.h"

namespace tarnwerk {

struct Session;
class UserInterface;

class CommandFrame {
public:
    // statusTextId: shown as " " + text in panel 0 while the command runs.
    CommandFrame(Session& session, UserInterface& ui, TextId statusTextId);
    ~CommandFrame();  // status " Ready", progress 0, not busy, then the extra closing step
    CommandFrame(const CommandFrame&) = delete;
    CommandFrame& operator=(const CommandFrame&) = delete;

    // Runs the command's steps; a cancel between two of their chunks ends them as a refusal.
    bool Run(const std::function<bool()>& steps);

    // An extra closing step of the command (delete scratch files, clear HeaderExtension ...),
    // run before the standard ones.
    void OnClose(std::function<void()> step) { closing_ = std::move(step); }

private:
    Session& session_;
    UserInterface& ui_;
    std::function<void()> closing_;
};

}  // namespace tarnwerk
