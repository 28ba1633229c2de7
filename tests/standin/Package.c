/* A stand-in hotfix package: a Windows console program that does what a
   package run with /q /n /z does when there is nothing to install, exit
   without a word. */
int main(void) {
    return 0;
}
