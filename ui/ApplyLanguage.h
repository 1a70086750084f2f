// Sets the fixed captions of one of the program's five windows from the string table.
#pragma once

#include <string>

class QWidget;

namespace tarnwerk {

// formName: "frmSteg", "frmSetPw", "frmGetPw", "frmOpt" or "frmInfo"; any other name does
// nothing. Controls are found by their objectName, so the form must have been built.
void ApplyLanguage(QWidget& form, const std::string& formName, int languageBase);

}  // namespace tarnwerk
