#pragma once

#include "core/Channel.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace hanlabel {

// What one run of hanlabel-batch is asked to do, as read from its command line.
struct BatchOptions {
    enum class Command { Help, Version, Book, Members };
    Command command = Command::Help;

    // For this run only, never written to the settings files.
    std::optional<QString> port;
    std::optional<SerialFraming> framing;
    std::optional<QString> target;    // --to: the target of the port in use
    std::optional<double> stallLimit; // seconds after the stall notice before giving up

    // book
    QString text;
    QString serial;
    QString quantity;
    bool descending = false;

    // members
    QString listPath;
    int fromLine = 0;
    QString columns;
    QString affiliation;
    bool unmasked = false;
    bool again = false;
    bool skipUncertain = false; // leave out the cards a run that ended unseen may have printed
};

// Reads the command line (the program's name first). Throws Failure with a Korean message naming
// the option on a usage error.
BatchOptions ParseBatchOptions(const QStringList& arguments);

// The Korean help text of --help.
QString BatchHelpText();

} // namespace hanlabel
