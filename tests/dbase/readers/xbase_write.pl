#!/usr/bin/perl
# Writes a table with Perl XBase, for the engine to read: version 3 (dBASE
# III with its memo layout) or 0x0B (dBASE IV, memo flag 0x8B). Rows:
#   0  "Ala ma kota" 12 3.25 T 19980914 "memo one"
#   1  deleted       7  0    F 20001231 "memo two, deleted"
#   2  blanks everywhere
use strict;
use warnings;
use XBase;

my ($path, $version) = @ARGV;
my $table = XBase->create(
    name => $path, version => hex($version),
    field_names => [qw(NAME COUNT PRICE ACTIVE BORN NOTES)],
    field_types => [qw(C N N L D M)],
    field_lengths => [20, 6, 8, 1, 8, 10],
    field_decimals => [0, 0, 2, 0, 0, 0]) or die XBase->errstr;
$table->set_record(0, "Ala ma kota", 12, 3.25, 1, "19980914", "memo one") or die $table->errstr;
$table->set_record(1, "Gone", 7, 0, 0, "20001231", "memo two, deleted") or die $table->errstr;
$table->delete_record(1) or die $table->errstr;
$table->set_record(2, undef, undef, undef, undef, undef, undef) or die $table->errstr;
$table->close;
