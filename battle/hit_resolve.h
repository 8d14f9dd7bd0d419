// Hit resolution: touches between attackers and targets, damage, reactions and the hit flash.
#pragma once

void HIT_FlashUpdate();
