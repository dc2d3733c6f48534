/* A host that is not the program: plain C, no application object, and no
   display. The library must report that and come back. */
#include <dlfcn.h>
#include <stdio.h>

typedef void (*show_dialog)(const void *, unsigned);

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 3;
    }
    show_dialog show = (show_dialog)dlsym(library, "RigscanGUI_ShowDialog");
    if (!show)
        return 4;
    static const unsigned char truncated[3] = {1, 0, 0};
    show(truncated, sizeof truncated);
    show(0, 16);
    printf("returned\n");
    /* Kept to the exit, as the program keeps it: Qt allocates for the
       process when it is loaded. */
    return 0;
}
