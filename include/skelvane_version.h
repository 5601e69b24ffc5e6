/*
 * The toolkit's version, one for all its libraries and tools.  The build reads
 * it from here, so this file is the only place to change it.
 */
#ifndef SKELVANE_VERSION_H
#define SKELVANE_VERSION_H

#define SKELVANE_VERSION_MAJOR 1
#define SKELVANE_VERSION_MINOR 0
#define SKELVANE_VERSION_PATCH 0
#define SKELVANE_VERSION_STRING "1.0.0"

/* One number that compares in release order, for #if tests in hosts. */
#define SKELVANE_VERSION (SKELVANE_VERSION_MAJOR * 10000 + SKELVANE_VERSION_MINOR * 100 + SKELVANE_VERSION_PATCH)

#endif
