#ifndef APP_UASKDATABASE_H
#define APP_UASKDATABASE_H

class CPolyraDatabase;

// A new empty database of the benchmark's kind, in its own window. It joins
// the open databases, which own it from then on.
CPolyraDatabase *NewDatabase();

#endif
