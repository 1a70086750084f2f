#include "app/StatusPanels.h"

#include "crypto/CipherTable.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

std::array<std::string, kStatusPanelCount> StatusPanelTexts(const Session& session) {
    const SettingsRecord& settings = session.settings;
    std::array<std::string, kStatusPanelCount> panels;
    panels[0] = " " + session.Text(TextId::ReadyStatus);
    panels[1] = settings.Compression == 1 ? " " + session.Text(TextId::CompressionPanel) + " " : " ";
    panels[2] = settings.Encryption == 1 ? " " + session.Text(TextId::EncryptionPanel) + " " +
                                               DescribeCipher(settings.Algorithmus).displayName + " "
                                         : " ";
    panels[3] = " " + std::to_string(session.bitsPerByte) + " " + session.Text(TextId::BitsPerByteUnit) + " ";
    return panels;
}

void ShowStatusPanels(const Session& session, UserInterface& ui) {
    const auto panels = StatusPanelTexts(session);
    for (int panel = 0; panel < kStatusPanelCount; ++panel)
        ui.SetStatus(panel, panels[static_cast<std::size_t>(panel)]);
}

}  // namespace tarnwerk
