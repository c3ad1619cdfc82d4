#pragma once

// Shows the program's messages in real message boxes from now on.
void InstallGuiMessageBox();
