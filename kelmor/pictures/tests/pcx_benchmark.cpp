// Placeholder until the decoder is written.
int main() { return 0; }
