// The reader's message texts, each spelled once.  Most begin with a line break,
// which is part of the text; a text naming "ERROR" makes an error box.
#pragma once

namespace tvl_format {

// Opening a library.
inline constexpr char msg_cannot_open_library[] = "\nCannot open library file: %s. ";
inline constexpr char msg_no_temporary_file[] = "\nCould not open temporary file %s.";
inline constexpr char msg_not_a_library[] = "\nERROR: Not a symbol library file.";
inline constexpr char msg_bad_version[] = "\nERROR: Cannot read version \"%s\" library file.";
inline constexpr char msg_bad_header[] = "\nERROR: Cannot read library header: \"%s\".";
inline constexpr char msg_bad_record_ref_width[] = "Library file error: invalid value for RBAD.";
inline constexpr char msg_bad_coding[] = "Unrecognized compression type in library.";
inline constexpr char msg_closing_work_file[] = "Error closing temporary file.";

// Finding records and copying their data.
inline constexpr char msg_corrupted_library[] = "\nCorrupted library file.";
inline constexpr char msg_invalid_seek[] = "\nInvalid seek in library file.";
inline constexpr char msg_undefined_type[] = "\nUndefined DJ type %d.";
inline constexpr char msg_not_in_table[] = "\nERROR: %s not found in table %c.";
inline constexpr char msg_bad_dependencies[] = "\nERROR in library file.";
inline constexpr char msg_cannot_list[] = "\nCannot read library file.";
inline constexpr char msg_cannot_read_data[] = "\nERROR: Cannot read from file.";
inline constexpr char msg_cannot_write_data[] = "\nERROR: Cannot write to file";
inline constexpr char msg_out_of_disk_space[] = "\nERROR: out of disk space.";

// Chunks and compressed buffers.
inline constexpr char msg_corrupted_chunk[] = "\nERROR: Corrupted library file.";
inline constexpr char msg_cannot_read_chunk[] = "\nERROR: reading file.";
inline constexpr char msg_bad_cx_buffer[] = "\nERROR: Decompressing Cx buffer.";
inline constexpr char msg_cannot_write_chunk[] = "\nError writing to file.";

// Entity records.
inline constexpr char msg_cannot_read_entity[] = "\nERROR reading file.";
inline constexpr char msg_bad_entity_record[] = "\nUnrecognized ent buffer type: %d";
inline constexpr char msg_no_type_group[] = "\nCannot read 0 chunk.";
inline constexpr char msg_unmatched_group[] = "\nERROR, unmatched entities %d";
inline constexpr char msg_unknown_entity[] = "\nUnrecognized entity from library file.";
inline constexpr char msg_unknown_kind[] = "Unrecognized item: %d";
inline constexpr char msg_bad_string[] = "\nInvalid string read.";
inline constexpr char msg_bad_string_code[] = "\nInvalid string code %d";
inline constexpr char msg_empty_string_slot[] = "\nUnable to allocate string.";
inline constexpr char msg_bad_binary[] = "\nInvalid binary read.";
inline constexpr char msg_bad_real_type[] = "\nUnrecognized real type: %d";
inline constexpr char msg_bad_point[] = "\nPoint record error reading library file.";
inline constexpr char msg_unexpected_complex[] = "\nUnexpected complex entity.";

// Delivery.
inline constexpr char msg_corrupt_entity_data[] = "\nERROR: Corrupt entity data.";
inline constexpr char msg_no_prototype[] = "\nCannot locate defjam prototype.";
inline constexpr char msg_no_block_list[] = "\nCannot create block entity list.";
inline constexpr char msg_entity_refused[] = "\nERROR: Unable to make entity ";

// Bounds of one definition.
inline constexpr char msg_too_many_entities[] = "\nERROR: Symbol definition exceeds %ld entities.";
inline constexpr char msg_definition_too_big[] = "\nERROR: Symbol definition exceeds %ld MB.";
inline constexpr char msg_entity_too_big[] = "\nERROR: Entity exceeds %ld MB.";
inline constexpr char msg_cache_too_big[] = "\nERROR: Entity cache exceeds %ld MB.";

// What follows a message box's text.
inline constexpr char msg_box_question[] = "\n\nDisplay additional messages?";
inline constexpr char msg_box_caption[] = "Message";

} // namespace tvl_format
