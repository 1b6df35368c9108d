// Benchmark of the command line's link: not built yet.
int main()
{
    return 0;
}
