/* The stand-in Windows modules of the load check's tests, built with the
 * mingw-w64 cross compilers. A CD module exports, through its .def file,
 * names that all lead to standInFunction; a driver calls the functions
 * that IMPORTS lists, each taken from an import library, so its import
 * directory names them. */
#ifdef IMPORTS
#define STAND_IN_DECLARE(name) __declspec(dllimport) int name(void);
#define STAND_IN_CALL(name) +name()
IMPORTS(STAND_IN_DECLARE)
int DriverEntry(void* object, void* path) {
    (void)object;
    (void)path;
    return 0 IMPORTS(STAND_IN_CALL);
}
#else
int standInFunction(void) {
    return 0;
}
int DriverEntry(void* object, void* path) {
    (void)object;
    (void)path;
    return 0;
}
#endif
