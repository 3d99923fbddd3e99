// Resource number of the start-up dialog, shared by the code and the script.
#pragma once

#define StartupDialogResource 101
