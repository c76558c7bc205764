#include "shell/CTonalboxApp.h"

#include <QFileInfo>

#include <cstdio>

#include "engine/ProductInfo.h"
#include "skin/SkinManager.h"
#include "ui/CFileListPage.h"
#include "ui/CTonalboxDlg.h"

namespace tonalbox {

CTonalboxApp::CTonalboxApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Ties the window to its desktop entry (its name and icon in task bars).
    setDesktopFileName(QStringLiteral("org.tonalbox.Tonalbox"));
}

CTonalboxApp::~CTonalboxApp() = default;

int CTonalboxApp::AnswerWithoutWindow(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const shell::StartupArguments start = shell::ParseStartupArguments(args);
    if (!start.help && !start.version) return -1;
    const QString name = QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "")).fileName();
    if (start.help)
        std::fputs(shell::StartupUsageText(name).toLocal8Bit().constData(), stdout);
    else
        std::printf("%s (%s) %s\n", name.toLocal8Bit().constData(), kProductName, kProductVersion);
    return 0;
}

int CTonalboxApp::InitInstance() {
    const shell::StartupArguments start = shell::ParseStartupArguments(arguments().mid(1));
    skin::EnableDpiAwareness();
    m_settings = ConversionSettings::Defaults();
    return RunMainWindow(m_settings, start);
}

int CTonalboxApp::RunMainWindow(ConversionSettings& settings, const shell::StartupArguments& start,
                                const std::string& settingsPath) {
    const QByteArray name = applicationName().toLocal8Bit();
    for (const QString& option : start.unknownOptions)
        std::fprintf(stderr, "%s: unknown option %s ignored\n", name.constData(),
                     option.toLocal8Bit().constData());
    ui::CTonalboxDlg dlg(settings, nullptr, settingsPath);
    dlg.InitDialog();
    dlg.FileListPage()->AddPaths(start.files);
    dlg.exec();
    return 0;
}

}  // namespace tonalbox
