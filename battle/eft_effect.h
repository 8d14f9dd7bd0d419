// Effects: short-lived pool nodes of kind 3 that only look and sound.
#pragma once
#include <cstdint>

struct LIST_NODE;

struct EFT_DATA {
    int32_t reserved;  // stand-in record; the effects module gives the fields
};

int32_t EFT_Create(int kind, LIST_NODE* parent, int32_t x, int32_t y, int32_t height);
int EFT_Update();
int32_t EFT_Delete(LIST_NODE* node);
int EFT_SpawnAmbient();
