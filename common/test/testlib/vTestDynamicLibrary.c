/* A minimal loadable library for the dynamic-library tests. */
__attribute__((visibility("default"))) int vTestAnswer(void)
{
  return 42;
}
