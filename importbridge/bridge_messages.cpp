// Message boxes of the bridge.
#include "bridge_messages.h"

#include "skelvane/active_window.h"
#include "skelvane/msgbox.h"

int bridge_message(const char *text, const char *caption, unsigned int type)
{
    return MessageBox(GetActiveWindow(), text, caption, type);
}
