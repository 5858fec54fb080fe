#pragma once

#include <QApplication>
#include <QByteArray>
#include <QList>

// The application object: hands over to a running instance, or runs the main
// window until it closes.
class ConverterApp : public QApplication {
    Q_OBJECT
public:
    ConverterApp(int &argc, char **argv);

    // Runs the program; returns the process exit code.
    int InitInstance();

private:
    QList<QByteArray> m_arguments;  // the command line's names, as bytes
};
