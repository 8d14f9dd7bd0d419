// Hit resolution: touches between attackers (characters in a technique, bullets) and targets,
// damage, durability, reactions, hit flash, sparks, quake and slow motion; and the small
// position, speed and heat helpers the movement code shares.
#pragma once
#include <cstdint>

struct LIST_NODE;

extern int32_t HIT_LastDestroyed;  // slot of the character last destroyed by a hit, -1 none

// Tests the current object against every other one: bit 0 a character was touched, bit 1 a
// bullet. Characters whose slot bit is in skip are left out; apply 0 only reports.
uint32_t HIT_Check(int apply, uint32_t skip);
int HIT_Apply(LIST_NODE* target, LIST_NODE* attacker);
int HIT_BulletHit(LIST_NODE* target, LIST_NODE* attacker);
// 0 alive, 1 destroyed by this hit, 2 was already destroyed.
int HIT_Damage(LIST_NODE* target, LIST_NODE* attacker, int damage);
void HIT_Knockback(LIST_NODE* target, LIST_NODE* attacker);
void HIT_AddCombo(LIST_NODE* target, LIST_NODE* attacker, int damage);
// The renderer's update half of the hit flash, once per update frame.
void HIT_FlashUpdate();
void HIT_ClearMask();
uint32_t HIT_GetMask();

// Heat a technique adds (0..130), and the same before the weapon's reduction and the cap.
int CHR_GetWazaHeat(int slot, int t);
int CHR_GetWazaHeatBase(int slot, int t);
// Half the heat technique t of the player's mech adds, its heat kinds scaled by the campaign
// block's percentages instead of a character's (0 while the mech's techniques are not loaded).
int CHR_GetWazaHeatHalf(int t);

// Position setters: the 16.16 value, its integer part and a character's sub-chip offset.
void LIST_SetX16(LIST_NODE* node, int32_t x16);
void LIST_SetY16(LIST_NODE* node, int32_t y16);
void LIST_SetX(LIST_NODE* node, int32_t x);
void LIST_SetY(LIST_NODE* node, int32_t y);
// Sub-steps of at most 16 pixels: |speed| / 16 + 1 steps of speed / steps.
void LIST_SplitSpeed(int32_t speed, int16_t* steps, int16_t* step);
int CHR_TurnToTarget(LIST_NODE* node, const LIST_NODE* target);
// The first character or bullet up the owner links from the node's owner, or null.
LIST_NODE* LIST_GetShooter(const LIST_NODE* node);
int TAMA_DecodeCount(int code);
int32_t TAMA_CreateSpread(int kind, LIST_NODE* parent, int32_t x, int32_t y, int32_t height, int spread);
void HUD_ShowAll(int flag);
void SCR_ShowAll(int flag);
