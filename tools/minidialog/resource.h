#pragma once

#define IDD_MINI_DIALOG 102
#define IDD_MINI_PAGE_FIRST 200
