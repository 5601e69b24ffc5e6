/*
 * The item import bridge: runs the import program for one item or for a list
 * of new items and tells the host whether to complete the import.
 */
#ifndef PELLIMAX_H
#define PELLIMAX_H

#include "skelvane_version.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the import program for the item described by the key file ("PN=" and
 * "MC=" lines) and has it write the result file.  1: complete the import with
 * what the result file holds; 0: do not. */
__attribute__((visibility("default"))) int HBSpecifyItem(const char *result_file, const char *item_key_file);

/* Runs the import program until the user adds no more items, collecting what
 * every pass wrote in the list file.  1: the list file holds new items; 0: none
 * were added, or a step failed. */
__attribute__((visibility("default"))) int HBSpecifyList(const char *list_file);

#ifdef __cplusplus
}
#endif

#endif
