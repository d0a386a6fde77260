// The kavelin program: starts the engine and, once they exist, the windows.
int main() { return 0; }
