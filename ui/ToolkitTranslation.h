#pragma once

class QCoreApplication;

namespace zorvane {

// Lets the toolkit's own texts (Yes and No in a question box) follow the user's locale, as the
// window's Czech messages do; without a translation for it the toolkit keeps its default.
void InstallToolkitTranslation(QCoreApplication& app);

}  // namespace zorvane
