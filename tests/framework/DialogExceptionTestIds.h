#pragma once

#define IDD_KIT_TEST 900
