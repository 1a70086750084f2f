#include "app/StatusPanels.h"

#include "crypto/CipherTable.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

namespace {
constexpr int kReadyText = 301;
constexpr int kCompressionText = 302;
constexpr int kEncryptionText = 303;
constexpr int kBitUnitText = 304;
}  // namespace

std::array<std::string, kStatusPanelCount> StatusPanelTexts(const Session& session) {
    const SettingsRecord& settings = session.settings;
    std::array<std::string, kStatusPanelCount> panels;
    panels[0] = " " + session.Text(kReadyText);
    panels[1] = settings.Compression == 1 ? " " + session.Text(kCompressionText) + " " : " ";
    panels[2] = settings.Encryption == 1
                    ? " " + session.Text(kEncryptionText) + " " + DescribeCipher(settings.Algorithmus).displayName + " "
                    : " ";
    panels[3] = " " + std::to_string(session.bitsPerByte) + " " + session.Text(kBitUnitText) + " ";
    return panels;
}

void ShowStatusPanels(const Session& session, UserInterface& ui) {
    const auto panels = StatusPanelTexts(session);
    for (int panel = 0; panel < kStatusPanelCount; ++panel)
        ui.SetStatus(panel, panels[static_cast<std::size_t>(panel)]);
}

}  // namespace tarnwerk
