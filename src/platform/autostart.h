#pragma once

#include <QString>
#include <optional>

// Start-at-login entries: XDG autostart desktop files, machine-wide in
// <first XDG config dir>/autostart, per-user in <XDG config home>/autostart.
namespace autostart {

enum class Scope { MachineWide, PerUser };

QString EntryPath(Scope scope, const QString& name);

// Writes the entry "<name>.desktop" that runs the command line. False when
// the folder or file cannot be written.
bool WriteEntry(Scope scope, const QString& name, const QString& program, const QString& arguments);

// Removes the entry; true when it is gone afterwards.
bool RemoveEntry(Scope scope, const QString& name);

// The Exec line of an existing entry, if there is one.
std::optional<QString> ReadExec(Scope scope, const QString& name);

// Quotes a program path for an Exec line of a desktop file.
QString QuoteExecArgument(const QString& argument);

}  // namespace autostart
