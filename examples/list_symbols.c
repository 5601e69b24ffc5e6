/*
 * A host of the reader: lists a symbol library and prints one symbol's
 * definition as the reader hands it over, one chain per callback call.
 *
 *   list_symbols LIBRARY [SYMBOL]
 *
 * Without SYMBOL the first listed symbol is printed.
 */
#include <stdio.h>
#include <string.h>

#include <skelvane/tvlaccess.h>

/* How the value of a group code is held (the common codes only). */
enum value_kind { KIND_STRING, KIND_POINT, KIND_REAL, KIND_SHORT, KIND_LONG, KIND_OTHER };

static enum value_kind kind_of(int code)
{
    if (code == RB_STRING)
        return KIND_STRING;
    if (code >= 1000 && code < 5000 && code != 1004 && code != 1071)
        code %= 1000;
    if (code == 1071)
        return KIND_LONG;
    if ((code >= 0 && code <= 9) || (code >= 100 && code <= 105) || (code >= 300 && code <= 309))
        return KIND_STRING;
    if ((code >= 10 && code <= 19) || (code >= 210 && code <= 239))
        return KIND_POINT;
    if ((code >= 20 && code <= 59) || (code >= 140 && code <= 149))
        return KIND_REAL;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 299))
        return KIND_SHORT;
    if (code >= 90 && code <= 99)
        return KIND_LONG;
    return KIND_OTHER;
}

static void print_chain(const char *what, const struct resbuf *chain)
{
    printf("%s\n", what);
    for (const struct resbuf *rb = chain; rb != NULL; rb = rb->next) {
        printf("  %5d ", rb->code);
        switch (kind_of(rb->code)) {
        case KIND_STRING:
            printf("\"%s\"\n", rb->value.string ? rb->value.string : "");
            break;
        case KIND_POINT:
            printf("(%g, %g, %g)\n", rb->value.point[0], rb->value.point[1], rb->value.point[2]);
            break;
        case KIND_REAL:
            printf("%g\n", rb->value.real);
            break;
        case KIND_SHORT:
            printf("%d\n", rb->value.int16);
            break;
        case KIND_LONG:
            printf("%ld\n", (long)rb->value.int32);
            break;
        default:
            printf("(value not shown)\n");
        }
    }
}

/* A block starts with a call without a chain; then its BLOCK header, its
 * entities and its ENDBLK come one chain each. */
static int on_entity(const struct resbuf *chain)
{
    if (chain == NULL)
        printf("-- block --\n");
    else
        print_chain("entity", chain);
    return RB_OK;
}

static int on_table(const struct resbuf *chain)
{
    print_chain("table record", chain);
    return RB_OK;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf("usage: %s LIBRARY [SYMBOL]\n(skelvane %s)\n", argv[0], SKELVANE_VERSION_STRING);
        return 0;
    }
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s LIBRARY [SYMBOL]\n", argv[0]);
        return 2;
    }
    const char *library = argv[1];

    struct resbuf *names = ta_tvllist(library);
    if (names == NULL) {
        fprintf(stderr, "%s: cannot list %s\n", argv[0], library);
        return 1;
    }
    int count = 0;
    for (const struct resbuf *rb = names; rb != NULL; rb = rb->next, ++count)
        printf("symbol %s\n", rb->value.string);
    printf("%d symbols\n", count);

    /* Chains handed to callbacks are the reader's: copy the first name before
     * the list goes back. */
    char symbol[128];
    snprintf(symbol, sizeof symbol, "%s", argc == 3 ? argv[2] : names->value.string);
    ta_relrb(names);

    ta_init(on_entity, on_table, NULL);
    if (!ta_tvldef(library, symbol)) {
        fprintf(stderr, "%s: the library did not deliver %s\n", argv[0], symbol);
        return 1;
    }
    return 0;
}
