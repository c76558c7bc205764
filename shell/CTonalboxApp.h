#pragma once
// The application object: owns the one ConversionSettings of the process,
// runs the main wizard window modally and lets the program end when that
// window closes. The command line is not read.

#include <QApplication>

#include "engine/ConversionSettings.h"

namespace tonalbox {

class CTonalboxApp : public QApplication {
    Q_OBJECT

public:
    CTonalboxApp(int& argc, char** argv);
    ~CTonalboxApp() override;

    // The one application object (null before it exists).
    static CTonalboxApp* Instance();

    // Start-up: DPI awareness, the settings' defaults, then the main window
    // run modally and destroyed. Returns the process's exit code, 0.
    int InitInstance();

    ConversionSettings& Settings() { return m_settings; }

private:
    ConversionSettings m_settings;
};

}  // namespace tonalbox
