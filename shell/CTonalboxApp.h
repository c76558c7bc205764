#pragma once
// The application object: owns the one ConversionSettings of the process,
// runs the main wizard window modally and lets the program end when that
// window closes. Files named on the command line start on the file list.

#include <QApplication>

#include <string>

#include "engine/ConversionSettings.h"
#include "shell/StartupArguments.h"

namespace tonalbox {

class CTonalboxApp : public QApplication {
    Q_OBJECT

public:
    CTonalboxApp(int& argc, char** argv);
    ~CTonalboxApp() override;

    // --help and --version, answered before any window system is reached:
    // the exit code, or -1 when the window is to start.
    static int AnswerWithoutWindow(int argc, char** argv);

    // Start-up: DPI awareness, the settings' defaults, then the main window
    // run modally and destroyed. Returns the process's exit code, 0.
    int InitInstance();

    // Reports unknown options on standard error, creates the main window
    // (settingsPath as the window takes it), adds the start-up files to its
    // file list as Add would, and runs it modally. Returns 0.
    static int RunMainWindow(ConversionSettings& settings, const shell::StartupArguments& start,
                             const std::string& settingsPath = {});

private:
    ConversionSettings m_settings;
};

}  // namespace tonalbox
