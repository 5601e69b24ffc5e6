// The converters that turn parsed entities into scene geometry.
#pragma once
#include "conversion/entity_record.h"

void convert_point(const cl_entity_record &record);
void convert_line(const cl_entity_record &record);
void convert_circle(const cl_entity_record &record);
void convert_3dface(const cl_entity_record &record);
void convert_arc(const cl_entity_record &record);

void begin_polyline(const cl_entity_record &record);
void add_vertex(const cl_entity_record &record);
void end_polyline();
void convert_lwpolyline(const resbuf *chain);
