// Bullet objects: pool nodes of kind 2 moving through the phases of their bullet record.
#pragma once
#include <cstdint>

struct LIST_NODE;

struct TAMA_OBJ {
    int32_t reserved;  // stand-in record; the weapons module gives the fields
};

int TAMA_Update();
int32_t TAMA_Delete(LIST_NODE* node);
