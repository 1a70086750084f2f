// The four status bar texts the window shows when it becomes active.
#pragma once

#include <array>
#include <string>

namespace tarnwerk {

struct ProgramSettings;
class UserInterface;

inline constexpr int kStatusPanelCount = 4;

// Panel 0 " Ready", 1 compression, 2 encryption and its cipher, 3 bits per byte.
std::array<std::string, kStatusPanelCount> StatusPanelTexts(const ProgramSettings& program);
void ShowStatusPanels(const ProgramSettings& program, UserInterface& ui);

}  // namespace tarnwerk
