#include "app/StatusPanels.h"

#include "crypto/CipherTable.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

namespace {
}  // namespace

std::array<std::string, kStatusPanelCount> StatusPanelTexts(const ProgramSettings& program) {
    const SettingsRecord& settings = program.settings;
    std::array<std::string, kStatusPanelCount> panels;
    panels[0] = " " + program.Text(TextId::ReadyStatus);
    panels[1] = settings.Compression == 1 ? " " + program.Text(TextId::CompressionPanel) + " " : " ";
    panels[2] = settings.Encryption == 1
                    ? " " + program.Text(TextId::EncryptionPanel) + " " + DescribeCipher(settings.Algorithmus).displayName + " "
                    : " ";
    panels[3] = " " + std::to_string(program.bitsPerByte) + " " + program.Text(TextId::BitsPerByteUnit) + " ";
    return panels;
}

void ShowStatusPanels(const ProgramSettings& program, UserInterface& ui) {
    const auto panels = StatusPanelTexts(program);
    for (int panel = 0; panel < kStatusPanelCount; ++panel)
        ui.SetStatus(panel, panels[static_cast<std::size_t>(panel)]);
}

}  // namespace tarnwerk
