// The folder-dialog provider a host installed, if any (internal to the platform).
#pragma once
#include "skelvane_folder.h"

skelvane_folder_dialog_fn skel_host_folder_dialog_provider();
