// Conversions between the workflows' UTF-8 texts and Qt's strings.
#pragma once

#include <QString>
#include <string>

namespace tarnwerk {

inline QString ToQ(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string FromQ(const QString& text) { return text.toStdString(); }

// Message prompts are composed with CR LF; Qt breaks lines at LF alone.
QString MessageText(const std::string& utf8);

// A label without a buddy shows "&" literally, so the table's accelerator convention is
// resolved here: "&&" becomes "&", a single "&" (the accelerator mark) disappears.
QString LabelText(const std::string& utf8);

}  // namespace tarnwerk
