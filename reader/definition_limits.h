// Bounds on what one definition may make the decoder build and deliver.  A
// small library can describe an enormous definition (a repeated entity costs
// one byte, compression shrinks that again), so what is built is counted, and
// a definition past a bound fails with a message instead of exhausting memory
// or time.  Real symbols stay far below every bound.
#pragma once

struct definition_limits {
    long entities = 500000;                // entities read, prototypes included
    long bytes = 256L * 1024 * 1024;       // records (and their texts) built, summed
    long entity_bytes = 64L * 1024 * 1024; // one entity's chain
    long cache_bytes = 256L * 1024 * 1024; // all chains the entity cache holds
};

// The bounds in force; tests may lower them.
definition_limits &definition_limits_current();

// What one record costs: the record and the text or bytes it owns.
long record_cost(const struct resbuf *rb);

// Starts counting a new definition.
void definition_budget_reset();

// Counts one entity of the given cost; false after the message when the
// definition goes past a bound.
bool definition_budget_take(long cost);
