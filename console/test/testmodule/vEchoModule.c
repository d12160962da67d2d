/* A module for the interpreter's tests: it records every command text it receives, answers the
 * word "echo" with its text and result 0, the word "code" with the number that follows, and
 * everything else with result 1 (not taken). Built twice: with and without "GetLastMessage" and
 * "GetCommandList". */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char Message[4096];
static char Received[65536];

EXPORT const char* GetModuleName(void)
{
  return MODULE_NAME;
}

EXPORT const char* GetModuleDesc(void)
{
  return "echoes console commands";
}

EXPORT const char* GetModuleVer(void)
{
  return "1.0";
}

EXPORT int GetModuleTargetDataType(void)
{
  return 2;
}

EXPORT int Command(const char* text)
{
  size_t used = strlen(Received);
  snprintf(Received + used, sizeof(Received) - used, "%s|", text);
  if (strncmp(text, "echo", 4) == 0 && (text[4] == ' ' || text[4] == '\0'))
  {
    snprintf(Message, sizeof(Message), "said: %s", text);
    return 0;
  }
  if (strncmp(text, "code ", 5) == 0)
  {
    snprintf(Message, sizeof(Message), "code");
    return atoi(text + 5);
  }
  if (strcmp(text, "exit") == 0)
  {
    snprintf(Message, sizeof(Message), "module exit");
    return 0;
  }
  snprintf(Message, sizeof(Message), "not mine");
  return 1;
}

/* Every command text received since the last call, each followed by "|". */
EXPORT const char* TakeReceived(void)
{
  static char copy[65536];
  memcpy(copy, Received, sizeof(copy));
  Received[0] = '\0';
  return copy;
}

#ifdef WITH_MESSAGES
EXPORT const char* GetLastMessage(void)
{
  return Message;
}

EXPORT const char* GetCommandList(void)
{
  return "echo code";
}
#endif
