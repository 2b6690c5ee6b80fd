// KEZ_univconst: mathematical and machine constants.
#pragma once
