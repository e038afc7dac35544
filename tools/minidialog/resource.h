#pragma once

#define IDD_MINI_DIALOG 102
