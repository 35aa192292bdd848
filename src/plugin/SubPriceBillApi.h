/* C interface of the price-adjustment plug-in (libsubpricebill.so). The host creates the entry
 * object, sets its six properties, calls spb_execute and releases it. No C++ exception ever
 * leaves these functions. */
#ifndef SUBPRICEBILL_API_H
#define SUBPRICEBILL_API_H
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct spb_bill spb_bill;

spb_bill* spb_create(void);                                           /* NULL when out of memory */
/* 0 when no calendar has the date (2026-02-31): the date is not taken and spb_execute shows why
 * it does not run; 1 otherwise. */
int spb_set_sysdate(spb_bill* bill, int year, int month, int day);
void spb_set_command_timeout(spb_bill* bill, int16_t seconds);
void spb_set_connstr(spb_bill* bill, const char* utf8);
void spb_set_optcode(spb_bill* bill, const char* utf8);
void spb_set_optname(spb_bill* bill, const char* utf8);
void spb_set_category(spb_bill* bill, const char* utf8);
void spb_execute(spb_bill* bill);
void spb_release(spb_bill* bill);

#ifdef __cplusplus
}
#endif
#endif
