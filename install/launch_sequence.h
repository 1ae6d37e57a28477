#pragma once

#include <QString>

#include <functional>

// What "Install" does: start the cable driver's pre-installer and then the program's setup from
// the installation medium, as ticked, without waiting for either. A program that is missing or
// cannot be started is reported by name and the sequence goes on with the next.
class LaunchSequence
{
public:
    // The program's title: the first window's caption and the caption of its messages.
    static inline const QString kProgramTitle = QStringLiteral("Install");

    struct Hooks
    {
        // Starts `program` as a detached process in `workingDir`; false when it could not be
        // started.
        std::function<bool(const QString &program, const QString &workingDir)> start;
        // Tells the user something went wrong (a message box in the program).
        std::function<void(const QString &text)> report;
        // The short pause after starting the driver's pre-installer.
        std::function<void()> pause;
    };

    // Real process starts, a message box titled "Install", one round of pending events.
    static Hooks systemHooks();

    LaunchSequence(QString folder, Hooks hooks);

    // Where the two programs lie below the launcher's folder.
    static QString driverPath(const QString &folder);
    static QString setupPath(const QString &folder);

    // The message for a program that could not be started, naming the file.
    static QString notStartedText(const QString &program);

    void run(bool usbCable, bool qtrn);

private:
    void launch(const QString &program);

    QString m_folder;
    Hooks m_hooks;
};
