/*
 * A module for the module-manager tests. It records every call it receives in a text that the
 * tests read through the extra export "TestLog". Built in several variants:
 *   VEMORA_TEST_RUN_ONLY   exports only "Run" (and "TestLog");
 *   VEMORA_TEST_NAME       its module name;
 *   VEMORA_TEST_ID         a number appended to its description.
 * "ReleaseMemory" appends a line to the file named by VEMORA_TEST_RELEASE_LOG, so that a test can
 * see it after the library is gone.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char Log[8192];

static void Note(const char* text)
{
  size_t used = strlen(Log);
  snprintf(Log + used, sizeof(Log) - used, "%s;", text);
}

EXPORT const char* TestLog(void)
{
  return Log;
}

EXPORT void Run(void)
{
  Note("Run");
}

#ifndef VEMORA_TEST_RUN_ONLY
#ifndef VEMORA_TEST_NAME
#define VEMORA_TEST_NAME "Probe"
#endif
#ifndef VEMORA_TEST_ID
#define VEMORA_TEST_ID 0
#endif
static char Message[256];
static int ViewerOn;

#define STR2(x) #x
#define STR(x) STR2(x)

EXPORT const char* GetModuleVer(void)
{
  return "0.1." STR(VEMORA_TEST_ID);
}

EXPORT const char* GetModuleName(void)
{
  return VEMORA_TEST_NAME;
}

EXPORT const char* GetModuleDesc(void)
{
  return "test module " STR(VEMORA_TEST_ID);
}

EXPORT int GetModuleTargetDataType(void)
{
  return 4 | 16;
}

EXPORT void SetRenderWindow(void* window)
{
  Note(window ? "SetRenderWindow" : "SetRenderWindow(null)");
}

EXPORT void SetCP(void* cp)
{
  Note(cp ? "SetCP" : "SetCP(null)");
}

EXPORT void SetPrimaryData(int index)
{
  char text[64];
  snprintf(text, sizeof(text), "SetPrimaryData %d", index);
  Note(text);
}

EXPORT void AddSecondaryData(int type, int index)
{
  char text[64];
  snprintf(text, sizeof(text), "AddSecondaryData %d %d", type, index);
  Note(text);
}

/* Not a real viewer: a distinct address the tests compare, handed out after "viewer". */
EXPORT void* GetViewer(void)
{
  Note("GetViewer");
  return ViewerOn ? (void*)&ViewerOn : NULL;
}

EXPORT void DelViewer(void)
{
  Note("DelViewer");
}

EXPORT void DetachData(void)
{
  Note("DetachData");
}

EXPORT int Command(const char* text)
{
  char line[512];
  snprintf(line, sizeof(line), "Command[%s]", text ? text : "(null)");
  Note(line);
  if (text && strcmp(text, "viewer") == 0)
  {
    ViewerOn = 1;
  }
  snprintf(Message, sizeof(Message), "done %s", text ? text : "");
  return 7;
}

EXPORT const char* GetLastMessage(void)
{
  return Message;
}

EXPORT const char* GetCommandList(void)
{
  return "viewer";
}

EXPORT void ReleaseMemory(void)
{
  const char* path = getenv("VEMORA_TEST_RELEASE_LOG");
  if (path)
  {
    FILE* file = fopen(path, "a");
    if (file)
    {
      fprintf(file, "%s\n", VEMORA_TEST_NAME);
      fclose(file);
    }
  }
}
#endif
