#include "ui/QtText.h"

namespace tarnwerk {

QString MessageText(const std::string& utf8) {
    QString text = ToQ(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString LabelText(const std::string& utf8) {
    const QString caption = ToQ(utf8);
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            shown += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            shown += u'&';
            ++i;
        }
    }
    return shown;
}

}  // namespace tarnwerk
