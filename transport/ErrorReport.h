// Gives the foundation's error-report prompt the dialog that sends the report by e-mail.
#pragma once

// Once at start-up, after the foundation is set up.
void InitErrorReport();
