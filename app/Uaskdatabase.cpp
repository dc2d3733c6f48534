#include "Uaskdatabase.h"

#include "uPolyraDatabase.h"

CPolyraDatabase *NewDatabase()
{
    auto *database = new CPolyraDatabase();
    database->createWindow();
    return database;
}
