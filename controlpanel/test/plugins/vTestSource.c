/*
 * A data source for the engine's hard-resource tests: the four queries, with "GetVer" left out
 * in the variant VEMORA_TEST_NO_VER.
 */
#define EXPORT __attribute__((visibility("default")))

#ifndef VEMORA_TEST_SOURCE_NAME
#define VEMORA_TEST_SOURCE_NAME "Probe"
#endif

EXPORT int GetDataType(void)
{
  return 16;
}

EXPORT const char* GetDesc(void)
{
  return "test source";
}

EXPORT const char* GetName(void)
{
  return VEMORA_TEST_SOURCE_NAME;
}

#ifndef VEMORA_TEST_NO_VER
EXPORT const char* GetVer(void)
{
  return "2.0";
}
#endif
