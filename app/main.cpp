// The window arrives with the sensor client; until then the program starts and ends.
int main() { return 0; }
