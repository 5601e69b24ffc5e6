/*
 * Lets a host answer the system's message boxes itself instead of the
 * SKELVANE_UI provider.
 */
#ifndef SKELVANE_UI_H
#define SKELVANE_UI_H

#ifdef __cplusplus
extern "C" {
#endif

/* Shows a message box: `type` holds the Windows MB_ button, icon and modality
 * flags; the answer is an ID value (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7). */
typedef int (*skelvane_message_box_fn)(void *owner_window, const char *text, const char *caption,
                                       unsigned int type);

/* Installs the provider for this process; null returns to SKELVANE_UI. */
__attribute__((visibility("default"))) void skelvane_set_message_box_provider(skelvane_message_box_fn fn);

#ifdef __cplusplus
}
#endif

#endif
