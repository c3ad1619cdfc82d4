#pragma once

#include <QString>

// Opens a page of the program's help folder (beside the program, or in
// ../share/plumora/help) in the browser; an empty page name opens the
// contents. Does nothing when the page is not there.
void OpenHelpTopic(const QString& page);
