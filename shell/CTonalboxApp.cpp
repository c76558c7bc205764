#include "shell/CTonalboxApp.h"

#include "skin/SkinManager.h"
#include "ui/CTonalboxDlg.h"

namespace tonalbox {

CTonalboxApp::CTonalboxApp(int& argc, char** argv) : QApplication(argc, argv) {}

CTonalboxApp::~CTonalboxApp() = default;

CTonalboxApp* CTonalboxApp::Instance() { return qobject_cast<CTonalboxApp*>(QCoreApplication::instance()); }

int CTonalboxApp::InitInstance() {
    skin::EnableDpiAwareness();
    m_settings = ConversionSettings::Defaults();
    {
        ui::CTonalboxDlg dlg(m_settings, nullptr);
        dlg.exec();
    }
    return 0;
}

}  // namespace tonalbox
