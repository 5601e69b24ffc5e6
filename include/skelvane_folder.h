/*
 * Lets a host answer the system's folder dialogs itself instead of the
 * SKELVANE_UI provider.
 */
#ifndef SKELVANE_FOLDER_H
#define SKELVANE_FOLDER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Asked each time the dialog waits for its user.  Returning 1 with a
 * zero-terminated path in `answer` types that path into the dialog's folder box
 * and presses its Open button, so the dialog's checks apply (message boxes it
 * shows go to the message-box provider); the dialog asks again while it stays
 * open.  Returning 0 cancels the dialog. */
typedef int (*skelvane_folder_dialog_fn)(void *owner_window, const char *title, const char *current_folder,
                                         char *answer, unsigned int answer_size);

/* Installs the provider for this process; null returns to SKELVANE_UI. */
__attribute__((visibility("default"))) void skelvane_set_folder_dialog_provider(skelvane_folder_dialog_fn fn);

#ifdef __cplusplus
}
#endif

#endif
