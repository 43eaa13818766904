#include "app/ClientApp.h"

int main(int argc, char** argv) { return fw::RunClient(argc, argv); }
