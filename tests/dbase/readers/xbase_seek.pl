#!/usr/bin/perl
# Searches one tag of a production index with Perl XBase's .MDX reader for
# the first entry at or after a key (given in hex) and prints
# "record-number key-hex", or nothing when there is none.
use strict;
use warnings;
use XBase::Index;

my ($mdx, $tag, $hex) = @ARGV;
my $index = XBase::Index->new($mdx, tag => $tag) or die XBase::Index->errstr;
$index->prepare_select_eq(pack("H*", $hex)) or die XBase::Index->errstr;
my ($key, $recno) = $index->fetch;
print "$recno ", unpack("H*", $key), "\n" if defined $recno;
