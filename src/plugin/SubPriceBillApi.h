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

/* Applies the prices that wait for their execution date and whose date is year-month-day or
 * earlier, on the database of the connection string, without any window. Each bill applied is
 * reported through `report` (UTF-8 line, is_error 0) as it is committed; a failure ends the run
 * with one line (is_error 1). Returns the number of bills applied, or -1 on failure. */
typedef void (*spb_report_line)(const char* utf8, int is_error, void* context);
long spb_apply_due(const char* connstr, int16_t timeout_seconds, int year, int month, int day, spb_report_line report,
                   void* context);

#ifdef __cplusplus
}
#endif
#endif
