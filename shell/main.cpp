// tonalbox: the wizard window.
#include "shell/CTonalboxApp.h"

int main(int argc, char** argv) {
    tonalbox::CTonalboxApp app(argc, argv);
    return app.InitInstance();
}
