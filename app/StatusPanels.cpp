#include "app/StatusPanels.h"

#include "app/Session.h"
#include "app/UserInterface.h"
#include "crypto/CipherTable.h"

namespace tarnwerk {

std::array<std::string, kStatusPanelCount> StatusPanelTexts(const ProgramSettings& program) {
    const SettingsRecord& settings = program.settings;
    // The stealth method always seals with XChaCha20-Poly1305 and has no bit depth: its panels
    // name the cipher it uses and the method instead.
    const bool stealth = settings.Method == HidingMethod::Stealth;
    std::array<std::string, kStatusPanelCount> panels;
    panels[0] = " " + program.Text(TextId::ReadyStatus);
    panels[1] = settings.Compression ? " " + program.Text(TextId::CompressionPanel) + " " : " ";
    const CipherIndex cipher = stealth ? CipherIndex::XChaCha20 : settings.Algorithmus;
    panels[2] = settings.Encryption || stealth ? " " + program.Text(TextId::EncryptionPanel) + " " +
                                                     DescribeCipher(static_cast<uint8_t>(cipher)).displayName + " "
                                               : " ";
    std::string method = program.Text(TextId::StealthMethodOption);
    std::erase(method, '&');
    panels[3] = stealth ? " " + method + " "
                        : " " + std::to_string(program.settings.bitsPerByte) + " " +
                              program.Text(TextId::BitsPerByteUnit) + " ";
    return panels;
}

void ShowStatusPanels(const ProgramSettings& program, UserInterface& ui) {
    const auto panels = StatusPanelTexts(program);
    for (int panel = 0; panel < kStatusPanelCount; ++panel)
        ui.SetStatus(panel, panels[static_cast<std::size_t>(panel)]);
}

}  // namespace tarnwerk
