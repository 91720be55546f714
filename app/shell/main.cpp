#include "app/shell/process_objects.h"

int main(int argc, char** argv) {
    quillmix::theApp.InitInstance(argc, argv);
    quillmix::theApp.ExitInstance();
    quillmix::theApp.Terminate();
}
