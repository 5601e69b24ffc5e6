/*
 * A host of the import bridge: writes an item key file and asks the bridge to
 * have the import program specify that item.
 *
 *   specify_item RESULT_FILE PN [MC]
 *
 * The bridge looks for pellimax.exe in the folder its settings name, then in
 * the current folder, and asks through a message box otherwise (SKELVANE_UI
 * decides how that box is answered).
 */
#include <stdio.h>
#include <string.h>

#include <skelvane/pellimax.h>

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf("usage: %s RESULT_FILE PN [MC]\n(skelvane %s)\n", argv[0], SKELVANE_VERSION_STRING);
        return 0;
    }
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: %s RESULT_FILE PN [MC]\n", argv[0]);
        return 2;
    }
    const char *result_file = argv[1];

    /* The key file names the item: "PN=" and "MC=" lines. */
    char key_file[4096];
    snprintf(key_file, sizeof key_file, "%s.key", result_file);
    FILE *key = fopen(key_file, "w");
    if (key == NULL) {
        perror(key_file);
        return 1;
    }
    fprintf(key, "PN=%s\nMC=%s\n", argv[2], argc == 4 ? argv[3] : "");
    if (fclose(key) != 0) {
        perror(key_file);
        return 1;
    }

    const int complete = HBSpecifyItem(result_file, key_file);
    remove(key_file);
    if (!complete) {
        printf("import not completed\n");
        return 1;
    }
    printf("import completed; the program wrote:\n");
    FILE *result = fopen(result_file, "r");
    char line[256];
    while (result != NULL && fgets(line, sizeof line, result) != NULL)
        fputs(line, stdout);
    if (result != NULL)
        fclose(result);
    return 0;
}
