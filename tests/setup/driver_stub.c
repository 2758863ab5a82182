/* A real executable of the Windows toolchain for the installation data tests: they pad it to
   the archive offset, append data and a certificate table, and read its headers back. */
int main(void) { return 0; }
