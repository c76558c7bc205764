// tonalbox: the wizard window.
#include "shell/CTonalboxApp.h"

int main(int argc, char** argv) {
    if (const int code = tonalbox::CTonalboxApp::AnswerWithoutWindow(argc, argv); code >= 0) return code;
    tonalbox::CTonalboxApp app(argc, argv);
    return app.InitInstance();
}
