// The message-box provider a host installed, if any (internal to the platform).
#pragma once
#include "skelvane_ui.h"

skelvane_message_box_fn skel_host_message_box_provider();
