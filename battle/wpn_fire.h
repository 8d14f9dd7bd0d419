// Fire orders: pool nodes of kind 1 that fire a weapon record's bullets.
#pragma once
#include <cstdint>

struct LIST_NODE;

struct WP2_DATA {
    int32_t reserved;  // stand-in record; the weapons module gives the fields
};

int WPN_Update();
int32_t WPN_Delete(LIST_NODE* node);
int32_t WPN_Create(LIST_NODE* owner, const uint8_t* weapon);
