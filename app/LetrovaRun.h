// DllRun's work, apart from the export so that it can be run in a test process.
#pragma once

// Opens the databases and the main window and returns when every window has closed: 0, 1 when the
// databases cannot be opened, 2 when the object could not be made or failed.
int RunLetrova();
