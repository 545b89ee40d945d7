#include "Qt_Offscreen_Application.h"

#include <cstdio>

namespace {

void Errors_Only(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

} // namespace

Qt_Offscreen_Application::Qt_Offscreen_Application(char* program)
    : argv_{program, platform_option_, platform_name_, nullptr},
      usual_handler_(qInstallMessageHandler(Errors_Only)), application_(argc_, argv_.data()) {
    qInstallMessageHandler(usual_handler_);
}
