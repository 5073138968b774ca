// main.cpp -- placeholder until the scene checker lands.
int main() { return 0; }
