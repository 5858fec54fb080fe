#pragma once

#include <QApplication>

// The application object: hands over to a running instance, or runs the main
// window until it closes.
class ConverterApp : public QApplication {
    Q_OBJECT
public:
    ConverterApp(int &argc, char **argv);

    // Runs the program; returns the process exit code.
    int InitInstance();
};
